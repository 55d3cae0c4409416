// UE4SS main: the mod base class. Its virtual functions differ from 3.0.1's in order and number.
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
    virtual auto on_ui_init() -> void {}
    virtual auto on_program_start() -> void {}
    virtual auto on_lua_start(StringViewType, LuaMadeSimple::Lua&, LuaMadeSimple::Lua&,
                              LuaMadeSimple::Lua&, std::vector<LuaMadeSimple::Lua*>&) -> void {}
    virtual auto on_lua_start(LuaMadeSimple::Lua&, LuaMadeSimple::Lua&, LuaMadeSimple::Lua&,
                              std::vector<LuaMadeSimple::Lua*>&) -> void {}
    virtual auto on_lua_stop(StringViewType, LuaMadeSimple::Lua&, LuaMadeSimple::Lua&,
                             LuaMadeSimple::Lua&, std::vector<LuaMadeSimple::Lua*>&) -> void {}
    virtual auto on_lua_stop(LuaMadeSimple::Lua&, LuaMadeSimple::Lua&, LuaMadeSimple::Lua&,
                             std::vector<LuaMadeSimple::Lua*>&) -> void {}
    virtual auto on_dll_load(std::wstring_view) -> void {}
    virtual auto render_tab() -> void {}
    virtual auto on_lua_start(StringViewType, LuaMadeSimple::Lua&) -> void {}
    virtual auto on_lua_stop(StringViewType, LuaMadeSimple::Lua&) -> void {}
    virtual auto on_cpp_mods_loaded() -> void {}
};
} // namespace RC
