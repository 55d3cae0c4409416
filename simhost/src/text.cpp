// Text values: the engine's FText as the host declares it (built through the engine, never
// released by the host), and the engine's own counting of references to each text.
#include "world.hpp"

namespace RC::Unreal {
using simhost::Op;
using simhost::detail::host_call;

FText::FText(const CharType* str, void* FunctionAddressOverride)
    : FText(StringViewType(str), FunctionAddressOverride) {}

FText::FText(StringViewType str, void*) {
    const simhost::detail::HostCode in_host;
    host_call(Op::FTextConstruct, nullptr, str);
    if (simhost::detail::world().texts.constructor_found) {
        Data = simhost::detail::acquire_text(str);
    }
}

FText::FText(const FString&&, void*) {
    simhost::detail::crash("FText from an FString: no FString exists in the simulated engine");
}

auto FText::ToString() const -> StringType {
    const simhost::detail::HostCode in_host;
    host_call(Op::FTextToString);
    return Data ? Data->text : StringType();
}
} // namespace RC::Unreal

namespace simhost {
namespace detail {
RC::Unreal::ITextData* acquire_text(StringView text) {
    // The engine's own table, also when the game makes a text.
    const HostCode in_host;
    auto& table = world().texts;
    auto [it, fresh] = table.texts.try_emplace(String(text));
    if (fresh) {
        it->second = std::make_unique<RC::Unreal::ITextData>();
        it->second->text = it->first;
    }
    ++it->second->references;
    ++table.references;
    return it->second.get();
}

void release_text(RC::Unreal::ITextData* data) {
    if (!data) {
        return;
    }
    const HostCode in_host;
    auto& table = world().texts;
    --table.references;
    if (--data->references == 0) {
        table.texts.erase(table.texts.find(data->text));
    }
}

void assign_text(FText& to, const FText& from) {
    if (from.Data) {
        ++from.Data->references;
        ++world().texts.references;
    }
    release_text(to.Data);
    to = from;
}
} // namespace detail

FText make_text(StringView text) {
    FText made{};
    made.Data = detail::acquire_text(text);
    return made;
}
void release_text(FText& text) {
    detail::release_text(std::exchange(text.Data, nullptr));
}
String text_of(const FText& text) {
    return text.Data ? text.Data->text : String();
}
std::int64_t text_references() {
    return detail::world().texts.references;
}
void set_text_constructor_found(bool found) {
    detail::world().texts.constructor_found = found;
}
} // namespace simhost
