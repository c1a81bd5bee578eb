// Objects with static storage that outlive the bootstrap core services still
// release their memory at process exit. This program exits 0 only when that
// release happened after the bootstrap object was gone and did not crash (a
// call into the destroyed object ends in a pure virtual call or worse).

#include <cstdio>
#include <cstdlib>

#include "orlo/CoreServices/Interfaces/ICoreServices.h"
#include "orlo/Utils/UBaseString.h"

namespace {

// Constructed before the bootstrap object exists (it allocates nothing), so it
// is destroyed after it.
struct LateOwner {
    orlo::UString text;

    ~LateOwner() {
        // The dead object may well still answer (its memory is not reused at
        // exit), so that alone proves nothing: no core services may be current.
        if (orlo::GetCoreServices() != nullptr) {
            fprintf(stderr, "the destroyed bootstrap core services are still current\n");
            fflush(stderr);
            _Exit(1);
        }
        // Growing and releasing after the bootstrap object has gone.
        text += " and a little more after the core services have gone";
        fprintf(stderr, "released after the core services: %s\n", text.c_str());
    }
};

LateOwner g_lateOwner;

} // namespace

int main() {
    // The first allocation creates the bootstrap object.
    g_lateOwner.text = "a block allocated while the core services exist";
    return orlo::GetCoreServices() != nullptr ? 0 : 1;
}
