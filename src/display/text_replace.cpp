// Reading and replacing a text block's text, and setting its colour, through the engine's own
// script functions; and the rate-limited line that says why a text was left alone.
#include <algorithm>
#include <cstring>
#include <limits>
#include <new>

#include "game/layout.hpp"
#include "game/limits.hpp"
#include "host/log.hpp"
#include "mod/tallyglass.hpp"

namespace tallyglass {
namespace {
static_assert(host::text_type_align() <= alignof(std::max_align_t) &&
                  host::text_type_size() <= static_cast<std::size_t>(limits::max_text_size),
              "the SetText block holds the host's text type");
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

// The engine keeps the text built here for good: the host's text type has no destructor and the
// engine takes its own reference, so the buffer's memory is all there is to release.
bool Tallyglass::call_set_text(host::Object* object, host::Function* set_text, const String& text) {
    const std::int32_t size = host::params_size(set_text);
    if (size < limits::min_text_size || size > limits::max_text_size) {
        // The block size is the game's: once it is implausible, it is so on every call.
        if (!text_size_logged) {
            text_size_logged = true;
            LogLine(STR("TextAppend skipped: implausible FText size ")).add(size).send();
        }
        return false;
    }
    // The reported size can be smaller than the text type the host builds in place. The block is
    // small enough for the stack, which spares the heap on every rewrite.
    const std::size_t bytes = std::max(static_cast<std::size_t>(size), host::text_type_size());
    alignas(std::max_align_t) std::byte params[limits::max_text_size];
    std::memset(params, 0, bytes);
    if (!host::construct_text(params, text.c_str())) {
        return false;
    }
    host::process_event(object, set_text, params);
    return true;
}

void Tallyglass::call_set_color_and_opacity(host::Object* object, host::Function* function,
                                            const LinearColor& color) {
    // The colour, then its use rule (0: the colour given) and three zero bytes.
    const CallBlock& block = layout.set_color;
    CallParams params(block);
    const float rgba[4] = {color.R, color.G, color.B, color.A};
    for (std::int32_t i = 0; i < 4; ++i) {
        params.set(block.argument + i * 4, rgba[i]);
    }
    host::process_event(object, function, params.data());
}

void Tallyglass::log_text_append_skip(StringView reason, const String& context) {
    const std::int32_t n = count_up(text_append_skips);
    if (!config.DebugLogging || !is_sampled_call(n)) {
        return;
    }
    LogLine(STR("TextAppend skipped #"))
        .add(n)
        .add(STR(": "))
        .add(reason)
        .piece(STR("applied_total"), text_appended_total)
        .piece(STR("context"), context)
        .send();
}
} // namespace tallyglass
