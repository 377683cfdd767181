// Przepisuje każdy znak wejścia na wyjście, aż wejście się skończy.
// Zestaw: Ombra, lista ombra.lst.

petla:    WPR 1
          WYP 2
          SOB petla
