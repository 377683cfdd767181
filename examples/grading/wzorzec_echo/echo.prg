// Echo: przepisuje znaki z wejœcia na wyjœcie, zamieniaj¹c ma³e litery
// a..z na wielkie, a¿ do kropki w³¹cznie. wpr czeka na znak, wyp go wysy³a;
// porty: wejœcie 1, wyjœcie 2.
// Zestaw: Ombra, lista ombra.lst.

petla:    WPR 1
          £AD znak
          ODE kropka      // kropka koñczy program
          SOZ koniec
          POB znak        // znak < a: bez zmiany
          ODE male_a
          SOM wypisz
          POB znak        // znak <= z: ma³a litera
          ODE po_z
          SOM wielka
wypisz:   POB znak
          WYP 2
          SOB petla
wielka:   POB znak
          ODE roznica
          WYP 2
          SOB petla
koniec:   POB znak
          WYP 2
          STP

znak:     RPA
kropka:   RST '.'
male_a:   RST 'a'
po_z:     RST 123     // kod znaku po z
roznica:  RST 32
