// ostatni argument pominięty
x: RST 1
POB x
   DOD
