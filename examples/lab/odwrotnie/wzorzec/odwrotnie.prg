// Odwrotnie: czyta znaki a¿ do kropki i wypisuje je w odwrotnej kolejnoœci,
// a na koñcu kropkê. Znaki czekaj¹ na stosie; zero na dnie stosu mówi,
// gdzie siê koñcz¹. Zestaw: Ombra, lista ombra.lst.

start:    POB zero
          DNS             // dno stosu
czytaj:   WPR 1
          £AD znak
          ODE kropka
          SOZ wypisz      // kropka koñczy wiersz
          POB znak
          DNS
          SOB czytaj
wypisz:   PZS
          SOZ koniec      // dno stosu: wszystko wypisane
          WYP 2
          SOB wypisz
koniec:   POB kropka
          WYP 2
          STP

znak:     RPA
kropka:   RST '.'
zero:     RST 0
