// suma, z jednym s³owem wiêcej przed z
start: POB x
DOD y
£AD z
STP
x: RST 5
y: RST 7
w: RST 0
z: RPA
