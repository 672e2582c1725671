// Sprite sheets: one off-screen surface cut into a grid of named frame slots.
// (Being built: only the names exist so far.)
#pragma once
class TDXBaseSurface {};
class TSurfaceList {};
