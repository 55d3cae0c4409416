// The mod's hooks as the host reaches them, minus the dispatch's last-resort catch: whatever a hook
// body lets out reaches the engine, which counts it. Shared by the fault sweep and the session
// fuzzer, which must see any failure the hook bodies fail to keep in.
#pragma once

#include <simhost/engine.hpp>

#include "mod/tallyglass.hpp"

namespace testing_support {
template <void (tallyglass::Tallyglass::*Body)(tallyglass::host::Context&)>
void strict(tallyglass::host::Context& context, void* mod) {
    (static_cast<tallyglass::Tallyglass*>(mod)->*Body)(context);
}

struct StrictHook {
    const tallyglass::Char* path;
    void (*callback)(tallyglass::host::Context&, void*);
    const char* name;
    const char* failure; // the prefix of the hook's failure line
};

inline const StrictHook strict_hooks[] = {
    {STR("/Script/G1R.TradingBalanceInventory:UpdateInventory"),
     strict<&tallyglass::Tallyglass::handle_update_inventory>, "value hook",
     "[Tallyglass] Value hook failed: "},
    {STR("/Script/G1R.DiscreteItemViewWidget:SetListItemsBP"),
     strict<&tallyglass::Tallyglass::handle_set_list_items>, "list hook",
     "[Tallyglass] List hook failed: "},
    {STR("/Script/G1R.DiscreteItemViewWidget:GetItemAt"),
     strict<&tallyglass::Tallyglass::handle_get_item_at>, "GetItemAt hook",
     "[Tallyglass] GetItemAt hook failed: "},
    {STR("/Script/UMG.TextBlock:SetText"), strict<&tallyglass::Tallyglass::on_text_block_set_text>,
     "TextBlock hook", "[Tallyglass] TextBlock value append failed: "},
};

// Puts the strict callbacks in place of those the mod registered.
inline void make_hooks_strict() {
    for (const auto& hook : strict_hooks) {
        simhost::replace_post_callback(hook.path, hook.callback);
    }
}
} // namespace testing_support
