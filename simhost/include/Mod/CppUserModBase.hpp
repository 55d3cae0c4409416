// Base class of every C++ mod the host loads. Its constructor and destructor live in the host's
// library; the virtual functions, in this order, do nothing unless a mod overrides them.
#pragma once

#include <File/Macros.hpp>
#include <memory>
#include <string_view>
#include <vector>

namespace RC {
namespace GUI {
class GUITab;
}
namespace LuaMadeSimple {
class Lua;
}

class CppUserModBase {
protected:
    std::vector<std::shared_ptr<GUI::GUITab>> GUITabs{};

public:
    StringType ModName{};
    StringType ModVersion{};
    StringType ModDescription{};
    StringType ModAuthors{};
    StringType ModIntendedSDKVersion{};

public:
    CppUserModBase();
    virtual ~CppUserModBase();

    virtual auto on_update() -> void {}
    virtual auto on_unreal_init() -> void {}
    virtual auto on_program_start() -> void {}
    virtual auto on_lua_start(StringViewType /*mod_name*/, LuaMadeSimple::Lua& /*main_lua*/,
                              LuaMadeSimple::Lua& /*async_lua*/, LuaMadeSimple::Lua& /*hook_lua*/,
                              std::vector<LuaMadeSimple::Lua*>& /*hook_luas*/) -> void {}
    virtual auto on_lua_start(LuaMadeSimple::Lua& /*main_lua*/, LuaMadeSimple::Lua& /*async_lua*/,
                              LuaMadeSimple::Lua& /*hook_lua*/,
                              std::vector<LuaMadeSimple::Lua*>& /*hook_luas*/) -> void {}
    virtual auto on_lua_stop(StringViewType /*mod_name*/, LuaMadeSimple::Lua& /*main_lua*/,
                             LuaMadeSimple::Lua& /*async_lua*/, LuaMadeSimple::Lua& /*hook_lua*/,
                             std::vector<LuaMadeSimple::Lua*>& /*hook_luas*/) -> void {}
    virtual auto on_lua_stop(LuaMadeSimple::Lua& /*main_lua*/, LuaMadeSimple::Lua& /*async_lua*/,
                             LuaMadeSimple::Lua& /*hook_lua*/,
                             std::vector<LuaMadeSimple::Lua*>& /*hook_luas*/) -> void {}
    virtual auto on_dll_load(std::wstring_view /*dll_name*/) -> void {}
    virtual auto render_tab() -> void {}
};
} // namespace RC
