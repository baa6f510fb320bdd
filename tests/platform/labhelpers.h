#pragma once

// The platform test helpers now live in the shared test lab header; this name stays for the
// service tests that include it.

#include "support/labfixture.h"
