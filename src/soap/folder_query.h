// The folder query's tree helper, shared with whoever walks a reply the same way.
#pragma once

#include "platform/xml.h"

// The node's last child, whatever its kind; none when the node has no children or is none itself. The
// reply parser descends with it, so a missing level reads as a node without children.
platform::xml::Node MyGetChild(platform::xml::Node node);
