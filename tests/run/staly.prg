// z := x + y, ale wynik wpisany na sta³e
start: POB z
STP
x: RST 5
y: RST 7
z: RST 12
