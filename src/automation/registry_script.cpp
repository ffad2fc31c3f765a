// The registry script of the class tirmok50: its two ProgIDs and its CLSID key.
#include "automation/registry_script.h"

namespace tirmok::automation {
namespace {

constexpr Removal kNormal = Removal::kNormal;
constexpr Removal kNoRemove = Removal::kNoRemove;
constexpr Removal kForceRemove = Removal::kForceRemove;

constexpr ScriptKey kVersionedProgId[] = {
    {"CLSID", kNormal, "%CLSID%", {}, {}},
};

constexpr ScriptKey kIndependentProgId[] = {
    {"CLSID", kNormal, "%CLSID%", {}, {}},
    {"CurVer", kNormal, "Orv_Tirmok.tirmok50.1", {}, {}},
};

constexpr ScriptValue kInprocServerValues[] = {
    {"ThreadingModel", "Apartment"},
};

constexpr ScriptKey kClass[] = {
    {"ProgID", kNormal, "Orv_Tirmok.tirmok50.1", {}, {}},
    {"VersionIndependentProgID", kNormal, "Orv_Tirmok.tirmok50", {}, {}},
    {"Programmable", kForceRemove, nullptr, {}, {}},
    {"InprocServer32", kNormal, "%MODULE%", kInprocServerValues, {}},
    {"TypeLib", kNormal, "%LIBID%", {}, {}},
};

constexpr ScriptKey kClasses[] = {
    {"%CLSID%", kForceRemove, "tirmok50 Class", {}, kClass},
};

constexpr ScriptKey kRoot[] = {
    {"Orv_Tirmok.tirmok50.1", kNormal, "tirmok50 Class", {}, kVersionedProgId},
    {"Orv_Tirmok.tirmok50", kNormal, "tirmok50 Class", {}, kIndependentProgId},
    {"CLSID", kNoRemove, nullptr, {}, kClasses},
};

}  // namespace

std::span<const ScriptKey> RegistryScript() { return kRoot; }

}  // namespace tirmok::automation
