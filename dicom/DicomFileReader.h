#pragma once
// Placeholder until the reader lands.
class DicomFileReader
{
};
