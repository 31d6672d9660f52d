#include "Projectile.h"

// Defined here, out of line, so that the class's vtable is emitted in this one unit.
Projectile::~Projectile() {}
