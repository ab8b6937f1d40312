// The three template sets the mesh loader registers with the .x reader before it opens a file:
// the standard set (binary encoding, "xof 0302bin 0064"), the skinning and duplication set, and the
// vertex-format and progressive-mesh set (both text, "xof 0303txt 0032").
#pragma once

#include "zentu/d3d8.h"
#include "zentu/dxfile.h"

namespace zentu {

struct XTemplateSet {
  const void* data;
  DWORD size;  // bytes, without a terminating zero
};

inline constexpr int kXTemplateSetCount = 3;

// In registration order.
extern const XTemplateSet kXTemplateSets[kXTemplateSetCount];

// Registers the three sets in order; the first failure is returned unchanged. `reader` is only
// used during the call.
HRESULT registerXTemplates(IDirectXFile* reader);

}  // namespace zentu
