#include "display/value_text.hpp"
