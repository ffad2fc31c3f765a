// ConverterModule: the process-wide state behind the C exports.
#include "module/converter_module.h"

namespace tirmok {

ConverterModule& ConverterModule::Instance() {
  static ConverterModule module;
  return module;
}

}  // namespace tirmok
