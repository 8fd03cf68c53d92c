// The Pellorin component library: the membership directory's creatable
// classes and the four library exports.
#include <memory>

#include "runtime/registry.h"
#include "suite/pellorin/members.h"
#include "suite/pellorin/user.h"

namespace pellorin {
namespace {

const rt::ClassTable& Classes() {
  static const rt::ClassTable table({
      rt::ClassInfo{"Pellorin.User", "{3F0B6C52-81D4-4E2A-B7C9-5A1E2D3C4B01}",
                    rt::TransactionAttribute::None, [] { return rt::ObjectPtr(std::make_shared<User>()); }},
      rt::ClassInfo{"Pellorin.Members", "{3F0B6C52-81D4-4E2A-B7C9-5A1E2D3C4B02}",
                    rt::TransactionAttribute::None,
                    [] { return rt::ObjectPtr(std::make_shared<Members>()); }},
  });
  return table;
}

}  // namespace
}  // namespace pellorin

RT_COMPONENT_EXPORTS(pellorin::Classes())
