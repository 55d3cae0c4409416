// The one mod object the host owns: settings, hook records, counters and the item row cache,
// with one member function per hook.
#pragma once

#include <cstdint>
#include <limits>

#include <Mod/CppUserModBase.hpp>

#include "capture/row_cache.hpp"
#include "config/config.hpp"
#include "game/bindings.hpp"
#include "host/host.hpp"
#include "ui/names.hpp"
#include "ui/widgets.hpp"

namespace tallyglass {
inline constexpr const Char* mod_version = STR("0.4.0-rc1");

// The list index of a row not read in a pass over a list: an entry GetItemAt handed out, and a
// slot the TextBlock hook reads on demand.
inline constexpr std::int32_t fetched_list_index = -1;
inline constexpr std::int32_t on_demand_list_index = -2;

// An owner of base configs, and its GetBaseConfigByPos, looked up when first needed and then kept
// for the rest of one hook call.
class BaseConfigSource {
public:
    explicit BaseConfigSource(host::Object* owner) : owner_object(owner) {}
    host::Object* owner() const { return owner_object; }
    // Null when the owner has no such function. May throw.
    host::Function* get_base_config();

private:
    host::Object* owner_object;
    host::Function* function = nullptr;
    bool looked_up = false;
};

class Tallyglass final : public RC::CppUserModBase {
public:
    struct HookState {
        String path;
        host::HookIds ids{0, 0};
        bool registered = false;
        // Found by its path before registration; the hook is removed through it.
        host::Function* function = nullptr;
    };

    Tallyglass();
    ~Tallyglass() override;
    void on_unreal_init() override;

    // Hook bodies, reached through the custom-data pointer of each registration.
    void handle_update_inventory(host::Context& context);
    void handle_set_list_items(host::Context& context);
    void handle_get_item_at(host::Context& context);
    void on_text_block_set_text(host::Context& context);

    // Widget ancestry. A caller that has named the object it starts from within the same hook
    // call hands that name on: the walk does not ask the host for it again.
    host::Object* find_slot_widget(host::Object* object) const;
    NamedObject find_slot_widget(host::Object* object, StringView object_name) const;
    host::Object* slot_data_of(host::Object* slot_widget) const;
    host::Object* find_trading_owner(host::Object* object, StringView object_name = {}) const;

    bool read_list_row(TradeSide side, host::Object* slot_data, host::Object* owner,
                       std::int32_t list_index, std::int32_t& rows_logged_this_call);
    // The same with the owner's GetBaseConfigByPos looked up at most once for all the entries a
    // call reads; and, last, for an entry whose name the call has already found to be slot data's.
    bool read_list_row(TradeSide side, host::Object* slot_data, BaseConfigSource& source,
                       std::int32_t list_index, std::int32_t& rows_logged_this_call);
    bool read_slot_data_row(TradeSide side, host::Object* slot_data, BaseConfigSource& source,
                            std::int32_t list_index, std::int32_t& rows_logged_this_call);

    // Text replacement through the engine's own functions.
    bool read_text_property(host::Object* object, std::size_t offset, String& out) const;
    bool call_set_text(host::Object* object, host::Function* set_text, const String& text);
    void call_set_color_and_opacity(host::Object* object, host::Function* function,
                                    const LinearColor& color);
    void log_text_append_skip(StringView reason, const String& context);

    Config config;
    HookState value_hook;
    HookState list_hook;
    HookState get_item_at_hook;
    HookState text_block_hook;
    std::int32_t capture_generation = 0;
    std::int32_t value_hook_calls = 0;
    std::int32_t list_hook_calls = 0;
    std::int32_t list_rows_logged = 0;
    std::int32_t value_rows_logged = 0;
    std::int32_t text_rows_logged = 0;
    std::int32_t text_appended_total = 0;
    std::int32_t text_append_skips = 0;
    bool value_row_cap_logged = false;
    bool list_row_cap_logged = false;
    bool text_row_cap_logged = false;
    bool in_text_rewrite = false;
    RowCache rows;
    // The game's layout as bound at start; every part is on until then.
    GameLayout layout;
    bool text_size_logged = false;
    // The return storage of the GetItemAt call the SetListItemsBP hook is making now: the
    // GetItemAt hook that call fires leaves the entry to the list hook, which reads it anyway.
    const void* own_fetch_result = nullptr;

private:
    void register_hook(HookState& state, const Char* path, host::Callback callback);
    void unregister_hook(HookState& state);
};

// Counters stop at the top of their range: they gate sampled lines and age rows, and a signed
// overflow would be undefined. Gives the new count.
inline std::int32_t count_up(std::int32_t& counter) {
    if (counter < std::numeric_limits<std::int32_t>::max()) {
        ++counter;
    }
    return counter;
}
} // namespace tallyglass
