#pragma once

#include <string>

// Keeps the file `fileName` ("….dat", "….obs") beside itself as "…-kept-N.dat" ("…-kept-N.obs"),
// with the first N from 1 that no earlier kept file has, so that replacing the file cannot
// destroy content that was never read. A name without an extension gets "-kept-N.dat", as data
// files always did. Gives the kept file's name, or the empty text when there is no file to keep.
// Raises EFileError.
std::string KeepFileBesideItself(const std::string& fileName);
