// Sine, cosine, arc tangent and the length of a vector computed from + - * / and sqrt alone, which
// IEEE 754 makes exact everywhere: the game's rules get the same bits on every machine and in the
// browser, where each platform's own maths library may differ in the last bit. Accurate to about
// one unit in the last place; the program must be built without contracting a*b+c into one fused
// operation (the build sets -ffp-contract=off), since some machines have it and others do not.
#pragma once

// x in radians. |x| up to about 1e6 keeps full accuracy; beyond, the result is still the same on
// every machine. Not-a-number and infinities give not-a-number.
double PortableSin(double x);
double PortableCos(double x);
// In [-pi/2, pi/2]; infinities give +-pi/2, not-a-number gives not-a-number.
double PortableAtan(double x);
// sqrt(x * x + y * y), rounded as written (no care for overflow: the game's vectors are small).
double PortableHypot(double x, double y);
