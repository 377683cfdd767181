// wynik := x + y (zapomniane podwojenie)
start: POB x
DOD y
£AD wynik
STP
x: RST 3
y: RST 4
wynik: RPA
