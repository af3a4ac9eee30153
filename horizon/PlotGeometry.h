#pragma once

// Where directions land on a plot image drawn by PlotHorizon into a bitmap of `width` by
// `height` pixels, in fractional pixels (0, 0 the top-left corner of the top-left pixel).
// Rectangular: azimuth a at x = a * width / 360 (the left edge of cell a, as the mouse read-out
// takes it), elevation e at the middle of its row of 91. Polar: the 181-pixel raster of PolarToXY
// stretched to a square of the image's height, so a cell lands where its middle is drawn.
struct PlotPoint {
    double X = 0;
    double Y = 0;
};

class PlotGeometry {
public:
    PlotGeometry(bool polar, int width, int height);

    PlotPoint Point(double azimuth, double elevation) const;
    // The middle of the picture of cell (azimuth, elevation).
    PlotPoint CellCentre(int azimuth, int elevation) const;

    // Polar: the zenith, and the distance of one degree of elevation.
    PlotPoint Zenith() const;
    double PixelsPerDegree() const;

    bool Polar() const { return polar_; }
    int Width() const { return width_; }
    int Height() const { return height_; }

private:
    bool polar_;
    int width_;
    int height_;
};
