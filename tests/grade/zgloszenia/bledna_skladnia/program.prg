start: POB x
DDW y
£AD wynik
STP
x: RST 3
wynik: RPA
