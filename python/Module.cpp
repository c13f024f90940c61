#include "Bindings.h"

PYBIND11_MODULE(kvsensor, m) {
    m.doc() =
        "The sensor libraries for scripts: ISensMem with its address level, memory map and "
        "object tree, and the calibrations of ISensCalibration. Failures raise KvError with the "
        "libraries' number and description.";
    kvsensor::bindErrors(m);
    kvsensor::bindEnums(m);
    kvsensor::bindHooks(m);
    kvsensor::bindNodes(m);
    kvsensor::bindLevels(m);
    kvsensor::bindFacade(m);
    kvsensor::bindCalibration(m);
    kvsensor::bindJournal(m);
}
