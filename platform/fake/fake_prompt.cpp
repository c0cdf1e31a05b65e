#include "platform/fake/fake_prompt.h"

#include "base/error.h"

namespace tavo::fake {

std::int32_t FakeResources::freeResources(std::int32_t kind) {
  ++calls;
  if (!present) raise(err::kFileNotFound);
  if (failWith != 0) raise(failWith);
  return kind >= 0 && kind < 3 ? figures[kind] : 0;
}

}  // namespace tavo::fake
