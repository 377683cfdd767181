// suma
start: POB x
DOD y
£AD z
STP
x: RST 5
y: RST 7
z: RPA
