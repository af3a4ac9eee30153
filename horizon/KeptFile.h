#pragma once

#include <string>

// Keeps the file `fileName` (a data file "….dat") beside itself as "…-kept-N.dat", with the
// first N from 1 that no earlier kept file has, so that replacing the file cannot destroy
// content that was never read. Gives the kept file's name, or the empty text when there is no
// file to keep. Raises EFileError.
std::string KeepFileBesideItself(const std::string& fileName);
