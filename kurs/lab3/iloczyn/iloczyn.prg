// Laboratorium 3, zadanie 1: wynik := a * b rozkazem ILO.
// Zestaw: Pelt (lista pelt.lst) z rozkazem ILO z pliku ilo.rzk.
// Etykiet a, b i wynik nie zmieniaj: sprawdzarka wpisuje pod a i b
// swoje liczby, a potem czyta słowo spod wynik.

start:  // tu Twój program: Ak := a, Ak := Ak * b rozkazem ILO,
        // Ak do wynik, koniec
        STP

a:      RST 6
b:      RST 7
wynik:  RPA
