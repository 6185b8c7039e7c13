#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "Picture.h"

// Splitting a picture's rows over threads. A piece of work given here must
// give the same bytes however its rows are split: each row written by one
// band only, and anything gathered across rows combined in an order-free way
// (a minimum, a maximum). The call stays synchronous: it returns once every
// band is done, and raises the first band's error, if any.

// Every core of the machine, at least one: the one count the engine's threads
// and the automatic ink search start from.
int All_Cores();

// Threads the row work of the engine runs on: All_Cores() unless set.
int Row_Threads();
// Sets the threads of all later row work (tests and benchmarks compare
// counts); 0 or less goes back to All_Cores().
void Set_Row_Threads(int threads);

// Runs rows(first, last) for consecutive bands of [0, rowCount), last
// excluded, on up to Row_Threads() threads, the caller's thread taking the
// first band. Each band gets at least minimumRows rows (the caller's measure
// of work worth a thread), so small pictures stay on the caller's thread.
void Run_Over_Rows(int rowCount, int minimumRows,
                   const std::function<void(int first, int last)>& rows);
// The same over the rows [first, last) of a picture, rows(first, last) getting
// the picture's row numbers.
void Run_Over_Rows(int first, int last, int minimumRows,
                   const std::function<void(int first, int last)>& rows);

// The rows of picture to be written by several threads, fetched here on the
// calling thread: fetching a row for writing lets Qt count the fetch and copy
// pixels it shares with another image, which must not happen on two threads
// at once. Valid while the picture keeps its size and format.
std::vector<std::uint8_t*> Writable_Rows(TPicture& picture);
// The rows [first, last) of picture, the same way: element 0 is row first.
std::vector<std::uint8_t*> Writable_Rows(TPicture& picture, int first, int last);

// The minimumRows for rows of rowPixels pixels each: about 64K pixels a band.
int Rows_Worth_A_Thread(int rowPixels);
