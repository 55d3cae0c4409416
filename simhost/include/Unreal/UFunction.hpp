// A script function of the engine; mods only hold pointers to it.
#pragma once

namespace RC::Unreal {
class UFunction;
class UClass;
} // namespace RC::Unreal
