#include "tests/support/nobody_user.h"

#include <grp.h>
#include <unistd.h>

namespace vqtest {

bool BecomeNobody() {
  return ::setgroups(0, nullptr) == 0 && ::setresgid(kNobody, kNobody, kNobody) == 0 &&
         ::setresuid(kNobody, kNobody, kNobody) == 0;
}

}  // namespace vqtest
