// wynik := x + 2·y
start: POB x
DDW y
£AD wynik
STP
x: RST 3
y: RST 4
wynik: RPA
