// The fakes' meta-objects live here, once for every test that uses them.
#include "support/fakeplatform.h"
