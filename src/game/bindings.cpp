// Every binding of the game's layout, checked once at start against the game's reflection.
#include "game/bindings.hpp"

#include <exception>
#include <optional>
#include <vector>

#include "game/layout.hpp"
#include "host/log.hpp"
#include "host/reflection.hpp"

namespace tallyglass {
namespace {
constexpr std::uint32_t trade_values =
    Part::ValueCapture | Part::ListCapture | Part::SlotMatch | Part::OnDemandRead;

const Char* off_text(std::uint32_t parts) {
    if (parts == trade_values) {
        return STR("trade values are off");
    }
    switch (static_cast<Part>(parts)) {
    case Part::ValueCapture:
        return STR("offer values are off");
    case Part::TextRewrite:
        return STR("value texts are off");
    case Part::SlotMatch:
        return STR("value texts are matched by their number only");
    case Part::Heatmap:
        return STR("the heatmap is off");
    default:
        return STR("list values are off");
    }
}

// A field the mod reads: the property at an offset of a class, or the one of a name.
struct Field {
    std::int32_t offset;
    std::int32_t size;
    const Char* type;
    const Char* also = nullptr; // another type that holds the same bytes
    const Char* name = nullptr; // found by name, where the engine fixes it
};

struct Parameter {
    std::int32_t offset;
    std::int32_t size;
    const Char* type;
    bool returned;
};

class Binder {
public:
    explicit Binder(std::uint32_t wanted_parts) : wanted(wanted_parts) {}

    bool wants(std::uint32_t parts) const { return (wanted & parts) != 0; }

    void fail(std::uint32_t parts, const String& what) {
        quietly([&] {
            log_line(STR("[Tallyglass] Game layout changed: ") + what + STR("; ") +
                     off_text(parts) + STR(".\n"));
        });
        layout.off |= parts;
    }

    // A host fault while reading the layout: the binding it struck fails.
    template <class Read> void guarded(std::uint32_t parts, const String& subject, Read&& read) {
        if (!wants(parts)) {
            return;
        }
        try {
            read();
        } catch (...) {
            quietly([&, error = std::current_exception()] {
                log_failure(STR("[Tallyglass] Game layout unreadable (") + String(off_text(parts)) +
                                STR(") at ") + subject + STR(": "),
                            error);
            });
            layout.off |= parts;
        }
    }

    // A blueprint class (`content`) the game has not loaded at start, or keeps elsewhere, is left
    // unchecked: turning its parts off would cost players more than the check can save them.
    void fields(std::uint32_t parts, const Char* path, const Char* cls_name,
                std::vector<Field> wanted_fields, bool content = false) {
        guarded(parts, path, [&] {
            host::Class* cls = host::find_class_at(path);
            if (!cls) {
                if (!content) {
                    fail(parts, String(cls_name) + STR(" not found"));
                }
                return;
            }
            check_fields(parts, cls, cls_name, wanted_fields);
        });
    }

    void check_fields(std::uint32_t parts, host::Class* cls, const String& cls_name,
                      const std::vector<Field>& wanted_fields) {
        const std::vector<host::PropertyInfo> all = host::properties_of(cls);
        for (const Field& f : wanted_fields) {
            std::optional<host::PropertyInfo> found;
            if (f.name) {
                found = host::property_named(cls, f.name);
            } else {
                for (const auto& p : all) {
                    if (p.offset == f.offset) {
                        found = p;
                    }
                }
            }
            const bool type_ok =
                found && (found->type == f.type || (f.also && found->type == f.also));
            if (!type_ok || found->size != f.size || found->offset != f.offset) {
                String what = cls_name + STR(" has no ") + to_text(f.size) + STR("-byte ") + f.type;
                if (f.name) {
                    what += String(STR(" ")) + f.name;
                }
                what += STR(" at offset ") + to_text(f.offset) + STR(" (found ") +
                        describe(found, type_ok, f.offset) + STR(")");
                return fail(parts, what);
            }
        }
    }

    // A function the mod calls or hooks: its block size, each parameter's offset and type, the
    // return's. A hooked one the game lacks is left to its registration, which says so.
    std::optional<host::FunctionInfo> function(std::uint32_t parts, const Char* path,
                                               const Char* name, std::int32_t size,
                                               std::vector<Parameter> params, bool hooked = false) {
        std::optional<host::FunctionInfo> bound;
        guarded(parts, path, [&] {
            host::Function* function = host::find_function_at(path);
            if (!function) {
                if (!hooked) {
                    fail(parts, String(name) + STR(" not found"));
                }
                return;
            }
            host::FunctionInfo info = host::function_info(function);
            const String fn(name);
            if (size > 0 && info.parms_size != size) {
                return fail(parts, fn + STR(" has no ") + to_text(size) +
                                       STR("-byte parameter block (found ") +
                                       to_text(info.parms_size) + STR(" bytes)"));
            }
            if (info.parameters.size() != params.size() ||
                info.num_parms != static_cast<std::int32_t>(params.size())) {
                return fail(parts, fn + STR(" has no ") +
                                       to_text(static_cast<std::int64_t>(params.size())) +
                                       STR(" parameters (found ") + to_text(info.num_parms) +
                                       STR(")"));
            }
            for (std::size_t i = 0; i < params.size(); ++i) {
                const Parameter& want = params[i];
                const host::PropertyInfo& got = info.parameters[i];
                const bool type_ok = got.type == want.type;
                const bool return_ok = got.returned == want.returned &&
                                       (!want.returned || info.return_offset == want.offset);
                if (!type_ok || got.size != want.size || got.offset != want.offset || !return_ok) {
                    return fail(parts,
                                fn + STR(" has no ") + to_text(want.size) + STR("-byte ") +
                                    want.type +
                                    (want.returned ? STR(" return value") : STR(" parameter")) +
                                    STR(" at offset ") + to_text(want.offset) + STR(" (found ") +
                                    describe(got, type_ok, want.offset) + STR(")"));
                }
            }
            bound = std::move(info);
        });
        return bound;
    }

    GameLayout layout;

private:
    static String describe(const std::optional<host::PropertyInfo>& p, bool type_ok,
                           std::int32_t offset) {
        if (!p) {
            return STR("nothing");
        }
        return describe(*p, type_ok, offset);
    }
    static String describe(const host::PropertyInfo& p, bool type_ok, std::int32_t offset) {
        String out = type_ok ? to_text(p.size) + STR("-byte ") + p.type : p.type;
        if (p.offset != offset) {
            out += STR(" at offset ") + to_text(p.offset);
        }
        return out;
    }

    std::uint32_t wanted;
};

constexpr const Char* int_type = STR("IntProperty");
constexpr const Char* object_type = STR("ObjectProperty");
constexpr const Char* bool_type = STR("BoolProperty");
constexpr const Char* byte_type = STR("ByteProperty");

GameLayout bind_all(std::uint32_t wanted);
} // namespace

GameLayout bind_game_layout(std::uint32_t wanted) noexcept {
    try {
        return bind_all(wanted);
    } catch (...) {
        // Out of memory while composing: nothing is proved, so nothing wanted runs.
        GameLayout none;
        none.off = wanted;
        quietly([error = std::current_exception()] {
            log_failure(STR("[Tallyglass] Game layout unreadable: "), error);
        });
        return none;
    }
}

namespace {
GameLayout bind_all(std::uint32_t wanted) {
    Binder b(wanted);
    namespace o = offsets;
    const auto at = [](std::size_t offset) { return static_cast<std::int32_t>(offset); };
    b.fields(trade_values, STR("/Script/G1R.InventorySlotData"), STR("InventorySlotData"),
             {{at(o::slot_pos), 4, int_type},
              {at(o::slot_current), 4, int_type},
              {at(o::slot_previous), 4, int_type},
              {at(o::slot_amount), 4, int_type},
              {at(o::slot_skip), 1, bool_type, byte_type},
              {at(o::slot_trader_index), 4, int_type},
              {at(o::slot_show), 1, bool_type, byte_type}});
    // The base config's class is the one GetBaseConfigByPos declares it returns.
    const auto base_config = b.function(
        trade_values, STR("/Script/G1R.InventoryBase:GetBaseConfigByPos"),
        STR("GetBaseConfigByPos"), 16, {{0, 4, int_type, false}, {8, 8, object_type, true}});
    if (base_config && b.wants(trade_values) && b.layout.on(Part::ValueCapture)) {
        b.guarded(trade_values, STR("GetBaseConfigByPos"), [&] {
            host::Class* cls = base_config->parameters[1].property_class;
            if (!cls) {
                return b.fail(trade_values, STR("GetBaseConfigByPos returns no class of object"));
            }
            b.check_fields(trade_values, cls, STR("the base config"),
                           {{at(o::config_base_value), 4, int_type}});
        });
    }
    b.fields(static_cast<std::uint32_t>(Part::ValueCapture),
             STR("/Script/G1R.TradingBalanceInventory"), STR("TradingBalanceInventory"),
             {{at(o::balance_inventory_base_trading), 8, object_type}});
    if (const auto update =
            b.function(static_cast<std::uint32_t>(Part::ValueCapture),
                       STR("/Script/G1R.TradingBalanceInventory:UpdateInventory"),
                       STR("UpdateInventory"), 0, {{0, 16, STR("ArrayProperty"), true}}, true);
        update && update->parameters[0].inner_type != object_type) {
        b.fail(static_cast<std::uint32_t>(Part::ValueCapture),
               STR("UpdateInventory returns no array of ObjectProperty (found ") +
                   update->parameters[0].inner_type + STR(")"));
    }
    const std::uint32_t lists = Part::ListCapture | Part::OnDemandRead;
    b.fields(lists, STR("/Game/UI/Inventory/W_Inventory_Main.W_Inventory_Main_C"),
             STR("W_Inventory_Main_C"),
             {{at(o::inventory_main_base), 8, object_type},
              {at(o::inventory_main_base_trading), 8, object_type}},
             true);
    const auto list_capture = static_cast<std::uint32_t>(Part::ListCapture);
    b.function(list_capture, STR("/Script/G1R.DiscreteItemViewWidget:GetNumItems"),
               STR("GetNumItems"), 4, {{0, 4, int_type, true}});
    b.function(list_capture, STR("/Script/G1R.DiscreteItemViewWidget:GetItemAt"), STR("GetItemAt"),
               16, {{0, 4, int_type, false}, {8, 8, object_type, true}}, true);
    b.fields(static_cast<std::uint32_t>(Part::SlotMatch),
             STR("/Game/UI/Inventory/W_Inventory_Slot.W_Inventory_Slot_C"),
             STR("W_Inventory_Slot_C"), {{at(o::slot_widget_data), 8, object_type}}, true);
    const auto text = static_cast<std::uint32_t>(Part::TextRewrite);
    const auto text_size = static_cast<std::int32_t>(host::text_type_size());
    b.fields(text, STR("/Script/UMG.TextBlock"), STR("TextBlock"),
             {{at(o::text_block_text), text_size, STR("TextProperty"), nullptr, STR("Text")}});
    // SetText's block size is checked on every call, where the engine's text is built.
    b.function(text, STR("/Script/UMG.TextBlock:SetText"), STR("SetText"), 0,
               {{0, text_size, STR("TextProperty"), false}}, true);
    b.function(static_cast<std::uint32_t>(Part::Heatmap),
               STR("/Script/UMG.TextBlock:SetColorAndOpacity"), STR("SetColorAndOpacity"), 20,
               {{0, 20, STR("StructProperty"), false}});
    return b.layout;
}
} // namespace
} // namespace tallyglass
