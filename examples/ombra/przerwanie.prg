// Obs³uga przerwania: program g³ówny wypisuje kropkê w ka¿dym obrocie
// pêtli; przerwanie 2 (przycisk "2") wypisuje gwiazdkê i liczy obs³u¿one
// zg³oszenia. Rozkaz sob przyjmuje przerwanie przed skokiem: adres skoku
// idzie na stos, a L dostaje adres obs³ugi, czyli etykiety ap2 (wektor 2).
// pwp kasuje zg³oszenie i wraca. Z wiersza poleceñ przerwania zg³asza
// opcja --irq, np. --irq 2@100.
// Zestaw: Ombra, lista ombra.lst.

start:   POB licznik
         DOD jeden
         £AD licznik
         POB kropka
         WYP 2
         POB licznik
         ODE ile
         SOZ koniec
         SOB start
koniec:  STP

ap2:     DNS             // obs³uga przerwania 2: Ak na stos
         POB gwiazdka
         WYP 2
         POB obsluzone
         DOD jeden
         £AD obsluzone
         PZS
         PWP

licznik:   RST 0
ile:       RST 12
jeden:     RST 1
kropka:    RST '.'
gwiazdka:  RST '*'
obsluzone: RST 0
