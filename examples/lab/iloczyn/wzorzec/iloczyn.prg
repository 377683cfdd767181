// Iloczyn: wynik := a * b rozkazem ILO (plik ilo.rzk).
// Zestaw: Pelt, lista pelt.lst.

start:  POB a
        ILO b
        £AD wynik
        STP

a:      RST 6
b:      RST 7
wynik:  RPA
