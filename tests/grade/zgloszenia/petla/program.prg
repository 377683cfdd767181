// nigdy siê nie koñczy
start: POB x
DDW y
£AD wynik
SOB start
x: RST 3
y: RST 4
wynik: RPA
