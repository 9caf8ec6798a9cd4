// What script lines did, read back from the fake: the helpers live with the
// harness.
#pragma once

#include "harness.hpp"
