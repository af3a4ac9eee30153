#pragma once

#include <QImage>

#include <string>

// The bytes of a PNG file of `image`; raises Exception when it cannot be encoded.
std::string PngBytes(const QImage& image);

// Writes `image` to `path` as PNG, atomically; EFileError naming the file when it cannot.
void SavePng(const std::string& path, const QImage& image);
