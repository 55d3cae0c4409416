// Reading and replacing a text block's text, and setting its colour, through the engine's own
// script functions; and the rate-limited line that says why a text was left alone.
#include <algorithm>
#include <cstring>
#include <limits>
#include <memory>
#include <new>

#include "mod/tallyglass.hpp"

namespace tallyglass {
namespace {
constexpr std::int32_t min_text_size = 1;
constexpr std::int32_t max_text_size = 256;

// SetColorAndOpacity's parameter block: the colour, then the rule "use this colour" (0).
constexpr std::size_t slate_color_size = 20;
constexpr std::size_t slate_color_rule = 16;

static_assert(host::text_type_align() <= __STDCPP_DEFAULT_NEW_ALIGNMENT__,
              "the SetText buffer comes from plain new[]");

// Destroys the text value built in a parameter buffer, also when the engine call throws.
struct ConstructedText {
    void* where;
    ~ConstructedText() { host::destroy_text(where); }
};

void saturating_increment(std::int32_t& counter) {
    if (counter < std::numeric_limits<std::int32_t>::max()) {
        ++counter;
    }
}
} // namespace

bool Tallyglass::read_text_property(host::Object* object, std::size_t offset, String& out) const {
    if (!object) {
        return false;
    }
    try {
        out = host::text_to_string(reinterpret_cast<const std::byte*>(object) + offset);
        return true;
    } catch (...) {
        return false;
    }
}

bool Tallyglass::call_set_text(host::Object* object, host::Function* set_text, const String& text) {
    std::int32_t size = host::text_static_size();
    if (size < min_text_size || size > max_text_size) {
        log_line(STR("[Tallyglass] TextAppend skipped: implausible FText size ") + to_text(size) +
                 STR(".\n"));
        return false;
    }
    // The reported size can be smaller than the text type the host builds in place.
    std::size_t bytes = std::max(static_cast<std::size_t>(size), host::text_type_size());
    std::unique_ptr<std::byte[]> params(new std::byte[bytes]());
    host::construct_text(params.get(), text.c_str());
    ConstructedText built{params.get()};
    host::process_event(object, set_text, params.get());
    return true;
}

void Tallyglass::call_set_color_and_opacity(host::Object* object, host::Function* function,
                                            const LinearColor& color) {
    std::byte params[slate_color_size]{};
    const float channels[4] = {color.R, color.G, color.B, color.A};
    std::memcpy(params, channels, sizeof(channels));
    params[slate_color_rule] = std::byte{0};
    host::process_event(object, function, params);
}

void Tallyglass::log_text_append_skip(StringView reason, const String& context) {
    std::int32_t n = text_append_skips;
    saturating_increment(text_append_skips);
    // Every sampled number is at most 100, which also keeps n + 1 from overflowing.
    if (!config.DebugLogging || n >= 100 || !is_sampled_call(n + 1)) {
        return;
    }
    String line = STR("[Tallyglass] TextAppend skipped #");
    line += to_text(n + 1);
    line += STR(": ");
    line += reason;
    line += STR("; applied_total=");
    line += to_text(text_appended_total);
    line += STR("; context=");
    line += context;
    line += STR(".\n");
    log_line(line);
}
} // namespace tallyglass
