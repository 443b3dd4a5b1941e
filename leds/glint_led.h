#pragma once
// One diagnostic LED record of the LED list. The panel description fills it; until then the list
// stays empty.

struct cGlintLED {};
