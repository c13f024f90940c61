#pragma once

#include <string>
#include <string_view>

#include "Bindings.h"
#include "kvcom3/KvError.h"

namespace kvsensor {

// The members every keyed collection of the libraries shares, as C++ has them (Item and Remove
// by position 1 ... Count or by key, Count), and as Python expects them of a sequence: len(),
// iteration in insertion order, [i] from 0 (negative from the end), [key] without regard to
// letter case, `key in collection`.
template <class Collection, class... Options>
void defineCollection(py::class_<Collection, Options...>& cls) {
    cls.def_property_readonly("Count", [](const Collection& c) { return c.Count(); })
        .def(
            "Item", [](const Collection& c, long index) { return c.Item(index); }, py::arg("index"),
            "The item at position 1 ... Count; KvError 5 when there is none.")
        .def(
            "Item",
            [](const Collection& c, const std::string& key) {
                return c.Item(std::string_view(key));
            },
            py::arg("key"), "The item under key; KvError 5 when there is none.")
        .def(
            "Remove", [](Collection& c, long index) { c.Remove(index); }, py::arg("index"),
            "Removes the item at position 1 ... Count; KvError 5 when there is none.")
        .def(
            "Remove",
            [](Collection& c, const std::string& key) { c.Remove(std::string_view(key)); },
            py::arg("key"), "Removes the item under key; KvError 5 when there is none.")
        .def("__len__", [](const Collection& c) { return c.Count(); })
        .def("__getitem__",
             [](const Collection& c, long index) {
                 const long count = c.Count();
                 if (index < 0) index += count;
                 if (index < 0 || index >= count)
                     throw py::index_error("collection index out of range");
                 return c.Item(index + 1);
             })
        .def("__getitem__",
             [](const Collection& c, const std::string& key) {
                 try {
                     return c.Item(std::string_view(key));
                 } catch (const kvcom3::KvError&) {
                     throw py::key_error(key);
                 }
             })
        .def("__contains__",
             [](const Collection& c, const py::object& key) {
                 if (!py::isinstance<py::str>(key)) return false;
                 try {
                     c.Item(std::string_view(key.cast<std::string>()));
                     return true;
                 } catch (const kvcom3::KvError&) {
                     return false;
                 }
             })
        // Over a copy of the items, so that removing while iterating is safe.
        .def("__iter__", [](const Collection& c) {
            py::list items;
            for (const auto& item : c) items.append(item);
            return py::iter(items);
        });
}

}  // namespace kvsensor
