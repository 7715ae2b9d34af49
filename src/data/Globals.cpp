#include "data/Globals.h"

int equipoInicial = 0;
int equipoFinal = 0;
QString competicionElegida;
int modoDefinicion = 0;
bool pesajeIniciado = false;
