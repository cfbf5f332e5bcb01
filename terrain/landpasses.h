// The land's two passes over each batch: the lit base texture, then the alpha texture as a
// cut-out over the same triangles; and the plain state the rest of the frame starts from.
// needs: app/{d3dservices,log,renderstates}, terrain/{landbuffers,landtextures,mapdata}
#pragma once

extern bool m_bBasePass;   // the next RenderLandRow is a base pass; every call inverts it

void SetLandBaseStates();
void SetLandAlphaStates();
// After the land: plain texturing, no blending, no alpha test, no lighting.
void ResetRenderStates();

// Draws batch (t, s) of iCount tiles in the pass m_bBasePass names, then inverts it.
void RenderLandRow(int t, int s, int iCount);
