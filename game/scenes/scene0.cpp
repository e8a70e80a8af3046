// The intro scene.
#include "scenes/scene0.h"

HRESULT scene0::Initialize() { return 0; }

HRESULT scene0::Render() { return 0; }
