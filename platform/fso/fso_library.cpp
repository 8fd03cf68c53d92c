// The ScriptingFso component library: the file system object.
#include <memory>

#include "platform/fso/file_system_object.h"
#include "runtime/registry.h"

namespace fso {
namespace {

const rt::ClassTable& Classes() {
  static const rt::ClassTable table({
      rt::ClassInfo{"Scripting.FileSystemObject", "{3B0F6E52-8A41-4C7D-9E15-2D6A7C4B8201}",
                    rt::TransactionAttribute::None,
                    [] { return rt::ObjectPtr(std::make_shared<FileSystemObject>()); }},
  });
  return table;
}

}  // namespace
}  // namespace fso

RT_COMPONENT_EXPORTS(fso::Classes())
