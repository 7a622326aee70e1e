#pragma once
// Angles of the game are 256ths of a full turn. One shared table of cosines
// serves every rotation; the sine of a is the cosine of a + 192.

namespace klv {

// Cosine and sine of an angle in 256ths of a turn; any int is taken modulo 256.
double Cos256(int a);
double Sin256(int a);

}  // namespace klv
