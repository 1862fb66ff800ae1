#pragma once

// Xerces-C and Xalan-C started for the whole process for the object's life,
// and stopped after it on every way out, an exception's included, so that a
// failed pass leaves nothing started behind it. A report starts and stops
// them around each of its two passes; no other use of the two libraries may
// overlap.
class XmlLibrariesStarted {
public:
    XmlLibrariesStarted();
    ~XmlLibrariesStarted();
    XmlLibrariesStarted(const XmlLibrariesStarted&) = delete;
    XmlLibrariesStarted& operator=(const XmlLibrariesStarted&) = delete;
};
