// The type library's description: the library, the coclass tirmok50 and the dual interface Itirmok50.
#include "automation/type_library.h"

namespace tirmok::automation {
namespace {

constexpr ParamDescription kConvertParams[] = {
    {"bstrInput", ParamType::kString, false},
    {"bstrInputFormat", ParamType::kString, false},
    {"bstrOutputFormat", ParamType::kString, false},
    {"bstrOutput", ParamType::kString, true},
};

constexpr ParamDescription kCompareParams[] = {
    {"bstrString1", ParamType::kString, false}, {"bstrString1Format", ParamType::kString, false},
    {"bstrString2", ParamType::kString, false}, {"bstrString2Format", ParamType::kString, false},
    {"lOutput", ParamType::kLong, true},
};

constexpr ParamDescription kConvertDateParams[] = {
    {"bstrInput", ParamType::kString, false},
    {"bFromEnglish", ParamType::kLong, false},
    {"bstrOutput", ParamType::kString, true},
};

constexpr ParamDescription kSetPropertyParams[] = {
    {"bstrKey", ParamType::kString, false},
    {"bstrValue", ParamType::kString, false},
};

// In the interface's order; the dispatch identifiers follow it.
constexpr MethodDescription kMethods[] = {
    {"Convert", DISPID_Itirmok50_Convert, "method Convert", kConvertParams},
    {"Compare", DISPID_Itirmok50_Compare, "method Compare", kCompareParams},
    {"ConvertDate", DISPID_Itirmok50_ConvertDate, "method ConvertDate", kConvertDateParams},
    {"SetProperty", DISPID_Itirmok50_SetProperty, "method SetProperty", kSetPropertyParams},
};

constexpr InterfaceDescription kItirmok50 = {"Itirmok50", IID_Itirmok50, "Itirmok50 Interface", true, kMethods};

constexpr CoclassDescription kTirmok50 = {"tirmok50", CLSID_tirmok50, "tirmok50 Class", kItirmok50};

constexpr const InterfaceDescription* kInterfaces[] = {&kItirmok50};

constexpr TypeLibraryDescription kLibrary = {
    "Orv_Tirmok 7.0 Type Library", LIBID_Orv_Tirmok, 1, 0, kTirmok50, kInterfaces,
};

}  // namespace

const TypeLibraryDescription& TypeLibrary() { return kLibrary; }

}  // namespace tirmok::automation
