// The one place that turns a shader surface's effect number into an effect
// object.
#pragma once

class ShaderEffect;

// A new effect for `number`, null for a number without one (any number
// outside 0..13, or an effect this library does not have).
ShaderEffect* MakeShaderEffect(int number);
