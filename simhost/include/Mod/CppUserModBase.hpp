// Base class of every native mod that the host loads.
#pragma once

#include <String/StringType.hpp>

namespace RC {
class CppUserModBase {
public:
    StringType ModName;
    StringType ModVersion;
    StringType ModDescription;
    StringType ModAuthors;

    CppUserModBase() = default;
    CppUserModBase(const CppUserModBase&) = delete;
    CppUserModBase& operator=(const CppUserModBase&) = delete;
    virtual ~CppUserModBase() = default;

    virtual auto on_update() -> void {}
    virtual auto on_unreal_init() -> void {}
};
} // namespace RC
