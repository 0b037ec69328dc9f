// Base object and run-time class record: a class that carries a record (name,
// object size, creation function) can be created from that record alone, which is
// how the wizard pages create their engines.
#pragma once

#include "framework/Platform.h"

class CObject;

struct CRuntimeClass {
    const char* m_lpszClassName;
    int m_nObjectSize;
    CObject* (*m_pfnCreateObject)();
    const CRuntimeClass* m_pBaseClass;

    CObject* CreateObject() const { return m_pfnCreateObject ? m_pfnCreateObject() : nullptr; }
    bool IsDerivedFrom(const CRuntimeClass* base) const;
};

class CObject {
public:
    virtual ~CObject() {}
    virtual const CRuntimeClass* GetRuntimeClass() const { return &classCObject; }
    bool IsKindOf(const CRuntimeClass* cls) const { return GetRuntimeClass()->IsDerivedFrom(cls); }
    static const CRuntimeClass classCObject;
};

#define RUNTIME_CLASS(name) (&name::class##name)

// Declares the record and the creation function inside a class.
#define DECLARE_DYNCREATE(name)                                                  \
public:                                                                          \
    static const CRuntimeClass class##name;                                      \
    const CRuntimeClass* GetRuntimeClass() const override { return &class##name; } \
    static CObject* CreateObject();

// Defines them in the class's source file.
#define IMPLEMENT_DYNCREATE(name, base)                                          \
    CObject* name::CreateObject() { return new name; }                           \
    const CRuntimeClass name::class##name = {#name, (int)sizeof(name),           \
                                             &name::CreateObject, RUNTIME_CLASS(base)};
