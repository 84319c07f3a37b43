#include "fonts/built_in_fonts.h"

#include "assets/embedded_assets.h"

BuiltInFont HeavyBuiltInFont() { return {"lumivale_cu", "lumivale_cu.ttf", FontCuData()}; }
BuiltInFont FineBuiltInFont() { return {"lumivale_xi", "lumivale_xi.ttf", FontXiData()}; }
