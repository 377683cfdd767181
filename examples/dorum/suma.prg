// Suma dwóch liczb: z := x + y.
// Przyk³ad z opisu asemblera: pokazuje rozkazy pob, dod, ³ad i stp
// oraz dyrektywy rst (sta³a) i rpa (zarezerwowane s³owo).
// Zestaw: Dorum, domyœlna lista rozkazów.

start: POB x
DOD y
£AD z
STP
x: RST 5
y: RST 7
z: RPA
