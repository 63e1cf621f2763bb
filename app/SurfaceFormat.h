#pragma once

// The 3D view draws with the fixed-function pipeline: every program that
// builds the main window asks for a compatibility context with a depth
// buffer, before any window exists.
void UseCompatibilitySurfaceFormat();
