// The device helpers: a system-memory buffer of exactly the asked length, a whole-buffer
// lock, a texture load that leaves nothing behind when it fails, a release safe to repeat.
#include "support/devicefixture.h"

#include "app/d3dservices.h"

class D3DServices : public DeviceTest
{
protected:
    void TearDown() override
    {
        ReleaseAndClear(m_pVB);
        ReleaseAndClear(m_pTexture);
    }

    LPDIRECT3DVERTEXBUFFER9 m_pVB = NULL;
    LPDIRECT3DTEXTURE9 m_pTexture = NULL;
};

TEST_F(D3DServices, BufferHasTheLengthAndPoolAskedAndLocksWhole)
{
    m_pVB = CreateSystemVertexBuffer(48 * 40, D3DFVF_XYZ);
    ASSERT_NE(m_pVB, (LPDIRECT3DVERTEXBUFFER9)NULL);
    D3DVERTEXBUFFER_DESC desc;
    ASSERT_EQ(m_pVB->GetDesc(&desc), D3D_OK);
    EXPECT_EQ(desc.Size, 48u * 40u);
    EXPECT_EQ(desc.Pool, D3DPOOL_SYSTEMMEM);
    EXPECT_EQ(desc.Usage, 0u);

    BYTE* pBytes = (BYTE*)LockWholeBuffer(m_pVB);
    ASSERT_NE(pBytes, (BYTE*)NULL);
    pBytes[48 * 40 - 1] = 0x5A;   // the last byte is inside the view
    m_pVB->Unlock();
    pBytes = (BYTE*)LockWholeBuffer(m_pVB, D3DLOCK_READONLY);
    ASSERT_NE(pBytes, (BYTE*)NULL);
    EXPECT_EQ(pBytes[48 * 40 - 1], 0x5A);
    m_pVB->Unlock();

    EXPECT_EQ(LockWholeBuffer(NULL), (void*)NULL);
}

TEST_F(D3DServices, ReleaseClearsThePointerAndASecondReleaseDoesNothing)
{
    m_pVB = CreateSystemVertexBuffer(64, D3DFVF_XYZ);
    ASSERT_NE(m_pVB, (LPDIRECT3DVERTEXBUFFER9)NULL);
    m_pVB->AddRef();
    LPDIRECT3DVERTEXBUFFER9 pKept = m_pVB;
    ReleaseAndClear(m_pVB);
    EXPECT_EQ(m_pVB, (LPDIRECT3DVERTEXBUFFER9)NULL);
    ReleaseAndClear(m_pVB);
    EXPECT_EQ(pKept->Release(), 0u);   // one reference was dropped, not two
}

TEST_F(D3DServices, TextureLoadsWithItsFileFormatAndAFailedLoadLeavesNone)
{
    ASSERT_EQ(LoadTextureFile("textures\\zancursor.dds", D3DFMT_UNKNOWN, 0, &m_pTexture), D3D_OK);
    ASSERT_NE(m_pTexture, (LPDIRECT3DTEXTURE9)NULL);
    D3DSURFACE_DESC desc;
    m_pTexture->GetLevelDesc(0, &desc);
    EXPECT_EQ(desc.Format, D3DFMT_A8R8G8B8);
    EXPECT_EQ(desc.Pool, D3DPOOL_MANAGED);
    EXPECT_GT(m_pTexture->GetLevelCount(), 1u);
    ReleaseAndClear(m_pTexture);

    m_pTexture = (LPDIRECT3DTEXTURE9)1;   // whatever was there is not kept
    EXPECT_TRUE(FAILED(LoadTextureFile("textures\\missing.dds", D3DFMT_DXT1, 0xFF000000,
                                       &m_pTexture)));
    EXPECT_EQ(m_pTexture, (LPDIRECT3DTEXTURE9)NULL);
}

TEST_F(D3DServices, NothingIsMadeWithoutADevice)
{
    LPDIRECT3DDEVICE9 pDevice = m_pDevice;
    m_pDevice = NULL;
    m_pVB = CreateSystemVertexBuffer(64, D3DFVF_XYZ);
    HRESULT hr = LoadTextureFile("textures\\zancursor.dds", D3DFMT_UNKNOWN, 0, &m_pTexture);
    m_pDevice = pDevice;
    EXPECT_EQ(m_pVB, (LPDIRECT3DVERTEXBUFFER9)NULL);
    EXPECT_TRUE(FAILED(hr));
    EXPECT_EQ(m_pTexture, (LPDIRECT3DTEXTURE9)NULL);
}
