// Text values: the engine's FText, with a count of those alive, and its reported size.
#include <atomic>

#include "world.hpp"

namespace {
std::atomic<long> live{0};

RC::Unreal::FTextData* copy_of(const RC::Unreal::FTextData* data) {
    if (!data) {
        return nullptr;
    }
    ++live;
    return new RC::Unreal::FTextData{data->text};
}
} // namespace

namespace RC::Unreal {
using simhost::Op;
using simhost::detail::host_call;

FText::FText() = default;

FText::FText(const CharType* text) {
    host_call(Op::FTextConstruct);
    Data = new FTextData{StringType(text)};
    ++live;
}

FText::FText(const FText& other) : Data(copy_of(other.Data)), Flags(other.Flags) {}

FText& FText::operator=(const FText& other) {
    if (this != &other) {
        FTextData* fresh = copy_of(other.Data);
        if (Data) {
            delete Data;
            --live;
        }
        Data = fresh;
        Flags = other.Flags;
    }
    return *this;
}

FText::~FText() {
    if (Data) {
        delete Data;
        --live;
    }
}

auto FText::ToString() const -> StringType {
    host_call(Op::FTextToString);
    return Data ? Data->text : StringType();
}

auto FText::StaticSize() -> int32 {
    host_call(Op::FTextStaticSize);
    return simhost::detail::world().text_size.value_or(static_cast<int32>(sizeof(FText)));
}

FText ObjectAccess::text(const simhost::String& value) {
    FText text;
    text.Data = new FTextData{value};
    ++live;
    return text;
}
} // namespace RC::Unreal

namespace simhost {
FText make_text(StringView text) {
    return RC::Unreal::ObjectAccess::text(String(text));
}
String text_of(const FText& text) {
    const auto* data = RC::Unreal::ObjectAccess::data(text);
    return data ? data->text : String();
}
long live_texts() {
    return live.load();
}
void set_text_static_size(std::optional<std::int32_t> size) {
    detail::world().text_size = size;
}
} // namespace simhost
