// b³êdy: etykieta zdefiniowana dwa razy
a: rst 1
b: rpa
A: rpa
