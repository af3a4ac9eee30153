#pragma once

// The polar layout of the plot's 181 by 181 raster: the zenith at the centre (90, 90), one pixel
// per degree below it, north up and azimuth clockwise. Computed in extended precision and
// rounded to the nearest integer, halves to even.
void PolarToXY(int& x, int& y, float azimuth, float elevation);

// The same point from the sine and cosine of the azimuth and the radius (90 - elevation), so that
// a caller that reuses them gets exactly what PolarToXY gives.
void PolarPointToXY(int& x, int& y, long double sine, long double cosine, long double radius);

long double PolarRadius(float elevation);
long double AzimuthRadians(float azimuth);
