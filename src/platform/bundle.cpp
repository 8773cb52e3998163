// Placeholder until the bundle is built.
#include "platform/bundle.h"
