#pragma once
#include <cstdint>

// Byte-image filters of the slice images. Images are row-major: pixel
// (column c, row r) at r * width + c. Every filter clamps coordinates into
// the image, so border pixels repeat outwards.

// Sobel gradient magnitude sqrt(gx^2 + gy^2) / 4, in place, saturated at 255.
void SobelMagnitude(int width, std::uint8_t* image, int height);

// n x n Gaussian weights, row by row, summing to 1; the weight at distance
// n / 2 from the centre is a tenth of the centre weight. n is odd, >= 3.
void MakeGaussianKernel(double* kernel, int n);

// In-place convolution with an n x n kernel (n odd); sums truncate toward 0.
void Convolve2D(int width, std::uint8_t* image, int height, const double* kernel, int n);

// Sets to `value` every pixel 4-connected to (x, y) through pixels that
// differ from `value`. A seed outside the image changes nothing.
void FloodFill4(std::uint8_t* image, int x, int y, int width, int height, std::uint8_t value);
