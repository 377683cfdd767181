// suma := x + 2·y
start: POB x
DDW y
£AD suma
STP
x: RST 3
y: RST 4
suma: RPA
