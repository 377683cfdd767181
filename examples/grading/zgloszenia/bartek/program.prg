// wynik := x + 2·y (wynik policzony w pamiêci)
start: POB wynik
STP
x: RST 3
y: RST 4
wynik: RST 11
