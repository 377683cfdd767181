// Mno¿enie przez wielokrotne dodawanie: iloczyn := a * b.
// Pêtla dodaje a do iloczynu b razy; soz koñczy j¹, gdy licznik
// dojdzie do zera, a sob wraca na pocz¹tek.
// Zestaw: Dorum, domyœlna lista rozkazów.

start:   POB licznik     // koniec, gdy licznik = 0
         SOZ koniec
         POB iloczyn     // iloczyn := iloczyn + a
         DOD a
         £AD iloczyn
         POB licznik     // licznik := licznik - 1
         ODE jeden
         £AD licznik
         SOB start
koniec:  STP

a:       RST 6
licznik: RST 7          // na pocz¹tku b
iloczyn: RST 0
jeden:   RST 1
