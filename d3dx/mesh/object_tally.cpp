// Live-object counts of the mesh module's reference-counted classes.
#include "d3dx/mesh/mesh_internal.h"

namespace zentu {
namespace {
long gLive[2];
}

long liveObjects(TalliedKind kind) {
  return gLive[int(kind)];
}
void tallyObject(TalliedKind kind, int delta) {
  gLive[int(kind)] += delta;
}

}  // namespace zentu
