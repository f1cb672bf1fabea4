// Per-pixel Phong lighting, vertex stage: hands the eye-space position and normal and the
// texture coordinates of unit 0 to the fragment stage.
#version 110

varying vec3 eyePosition;
varying vec3 eyeNormal;

void main()
{
    vec4 position = gl_ModelViewMatrix * gl_Vertex;
    eyePosition = position.xyz / position.w;
    // Left unnormalised: interpolation and scaled bodies are dealt with per pixel.
    eyeNormal = gl_NormalMatrix * gl_Normal;
    gl_TexCoord[0] = gl_MultiTexCoord0;
    gl_Position = gl_ProjectionMatrix * position;
}
