#pragma once

#include <initializer_list>

namespace engine {
class Dataset;
}

// A window is being left while records are still being edited: for each
// one, "¿Guardar los cambios?" with Sí, No and Cancelar. Sí posts it (a
// refusal is shown and keeps the window open), No gives it up, Cancelar
// keeps it being edited and the window open. True when the window may close.
bool guardarCambiosAlSalir(std::initializer_list<engine::Dataset*> datasets);
