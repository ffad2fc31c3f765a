// ConverterModule: the process-wide state behind the C exports.
#pragma once

#include "core/properties.h"
#include "module/converter_set.h"
#include "module/formats.h"
#include "module/module_lock.h"
#include "module/scratch_buffers.h"

namespace tirmok {

class ConverterModule {
 public:
  // The one module of the process, built on first use (thread-safely).
  static ConverterModule& Instance();

  ConverterSet converters;
  // Serialises every conversion, comparison, date conversion and property
  // change through the exports: they share the scratch buffers and the
  // property store.
  ModuleLock moduleLock;
  ScratchBuffers scratch;
  PropertyStore properties;
};

}  // namespace tirmok
