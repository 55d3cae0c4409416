// The game's classes and script functions, declared from its layout table; what each function
// does reads and writes its parameters at the table's offsets, as the game's code compiled against
// that layout would.
#include <algorithm>
#include <map>
#include <new>
#include <simhost/game.hpp>

#include "game_state.hpp"
#include "internal.hpp"

namespace simhost::game {
GameState state;

namespace {
template <class T> T param(std::byte* params, std::size_t offset) {
    T value;
    std::memcpy(&value, params + offset, sizeof(T));
    return value;
}
template <class T> void set_param(std::byte* params, std::size_t offset, T value) {
    std::memcpy(params + offset, &value, sizeof(T));
}

// Where a function's code finds one of its parameters: its offset, or none when the patched game
// has no such parameter of that type.
std::optional<std::size_t> at(const FunctionRow& f, StringView name, PropertyType type) {
    for (const auto& p : f.parameters) {
        if (p.name == name && p.type == type) {
            return static_cast<std::size_t>(p.offset);
        }
    }
    return std::nullopt;
}

NativeCode set_text_code(const FunctionRow& f) {
    return [text = at(f, STR("InText"), PropertyType::Text)](UObject* self, std::byte* params) {
        if (FText* property = text_property(self); property && text) {
            detail::assign_text(*property, *std::launder(reinterpret_cast<FText*>(params + *text)));
        }
        if (state.during_set_text) {
            state.during_set_text(self);
        }
    };
}

NativeCode code_of(const FunctionRow& f) {
    const String& code = f.code;
    if (code == STR("SetText")) {
        return set_text_code(f);
    }
    if (code == STR("SetColorAndOpacity")) {
        auto color = at(f, STR("InColorAndOpacity"), PropertyType::Struct);
        return [color](UObject* self, std::byte* params) {
            if (color) {
                SlateColor value{};
                std::memcpy(&value, params + *color, sizeof(SlateColor));
                state.colors[self] = value;
            }
        };
    }
    if (code == STR("SetListItemsBP")) {
        auto items = at(f, STR("Items"), PropertyType::Array);
        return [items](UObject* self, std::byte* params) {
            if (items) {
                auto header = param<TArrayHeader>(params, *items);
                state.lists[self].items.assign(header.data, header.data + header.count);
            }
        };
    }
    if (code == STR("GetNumItems")) {
        auto result = at(f, STR("ReturnValue"), PropertyType::Int);
        return [result](UObject* self, std::byte* params) {
            auto& entry = state.lists[self];
            if (result) {
                set_param<std::int32_t>(
                    params, *result,
                    entry.count.value_or(static_cast<std::int32_t>(entry.items.size())));
            }
        };
    }
    if (code == STR("GetItemAt")) {
        auto index = at(f, STR("Index"), PropertyType::Int);
        auto result = at(f, STR("ReturnValue"), PropertyType::Object);
        return [index, result](UObject* self, std::byte* params) {
            if (!params || !index || !result) {
                return;
            }
            auto& entry = state.lists[self];
            auto i = param<std::int32_t>(params, *index);
            UObject* item = i >= 0 && static_cast<std::size_t>(i) < entry.items.size()
                                ? entry.items[static_cast<std::size_t>(i)]
                                : nullptr;
            set_param<UObject*>(params, *result, item);
        };
    }
    if (code == STR("UpdateInventory")) {
        auto result = at(f, STR("ReturnValue"), PropertyType::Array);
        return [result](UObject* self, std::byte* params) {
            if (!params || !result) {
                return;
            }
            auto& entry = state.balances[self];
            auto size = static_cast<std::int32_t>(entry.slots.size());
            TArrayHeader header{entry.header.null_data ? nullptr : entry.slots.data(),
                                entry.header.count.value_or(size),
                                entry.header.capacity.value_or(size)};
            set_param(params, *result, header);
        };
    }
    if (code == STR("GetBaseConfigByPos")) {
        auto pos = at(f, STR("Pos"), PropertyType::Int);
        auto result = at(f, STR("ReturnValue"), PropertyType::Object);
        return [pos, result](UObject* self, std::byte* params) {
            if (!pos || !result) {
                return;
            }
            auto& table = state.configs[self];
            auto it = table.find(param<std::int32_t>(params, *pos));
            set_param<UObject*>(params, *result, it == table.end() ? nullptr : it->second);
        };
    }
    return {};
}

void define_from(const FunctionRow& f) {
    std::int32_t size = 0;
    int return_offset = -1;
    for (const auto& p : f.parameters) {
        size = std::max(size, p.offset + p.size);
        if (p.flags & 0x400) {
            return_offset = p.offset;
        }
    }
    UFunction* function = define_function(
        find_class(f.owner), f.name, static_cast<std::uint16_t>(size), return_offset, code_of(f));
    (void)function; // its parameters come from the table, as for every function defined
}

void define_from(const ClassRow& c) {
    UClass* cls = define_class(c.package, c.name, c.super.empty() ? nullptr : find_class(c.super));
    auto* record = detail::rec(cls);
    detail::declare_properties(record->reflected, c.properties);
    if (!c.properties.empty()) {
        // Its objects end after its last property, rounded as the engine aligns them.
        std::int32_t end = record->reflected.size;
        for (auto* s = record->super; s; s = s->super) {
            end = std::max(end, s->reflected.size);
        }
        record->object_size = (static_cast<std::size_t>(end) + 7) / 8 * 8;
    }
}
} // namespace

FText* text_property(UObject* text_block) {
    const PropertyRow* row = find_row(STR("TextBlock"), STR("Text"));
    if (!row || row->type != PropertyType::Text ||
        row->size < static_cast<std::int32_t>(sizeof(FText))) {
        return nullptr;
    }
    return std::launder(reinterpret_cast<FText*>(storage(text_block) + row->offset));
}

void install(const LayoutTable& layout) {
    simhost::detail::clear_game_state();
    detail::set_installed_layout(layout);
    for (const auto& c : layout.classes) {
        define_from(c);
    }
    // The text block holds one reference to its text, as the engine's FText property does.
    set_lifecycle(
        find_class(STR("TextBlock")),
        [](UObject* self) {
            if (FText* text = text_property(self)) {
                new (text) FText();
            }
        },
        [](UObject* self) {
            if (FText* text = text_property(self)) {
                release_text(*text);
            }
        });
    for (const auto& f : layout.functions) {
        define_from(f);
    }
}
} // namespace simhost::game
